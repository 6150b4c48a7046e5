#pragma once
// The registration window: binds the card on the reader to a typed name by appending one
// line to the card registry. Discarded when it closes; every opening starts empty.

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora {

class Form1;

inline const QString kNoNameMessage = QStringLiteral("利用者名の入力ができていません。");
inline const QString kNoCardMessage = QStringLiteral("FeliCaカードの確認をしてください。");

// No Q_OBJECT: moc cannot read the Japanese names; the buttons connect through lambdas.
class 登録フォーム : public QDialog {
  public:
    explicit 登録フォーム(Form1& form, QWidget* parent = nullptr);

    QLabel* Label1;
    QLineEdit* 名前;
    QPushButton* Felicaチェック;
    QLabel* Label2;
    QLabel* ID;
    QPushButton* 中止;
    QPushButton* 登録終了;

    // The IDm of the card on the reader, "" for none. No beep, no file.
    QString Felica();

    void Felicaチェック_Click();
    void 中止_Click();
    void 登録終了_Click();

  private:
    Form1& form_;
};

} // namespace velmora
