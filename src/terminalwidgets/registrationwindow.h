#pragma once
// The registration window (登録フォーム): binds the card on the reader to a typed name.
// Discarded when it closes; every opening starts empty.

#include <QDialog>

class QLabel;
class QLineEdit;

namespace velmora {

class Terminal;

class RegistrationWindow : public QDialog {
    Q_OBJECT
public:
    explicit RegistrationWindow(Terminal& terminal, QWidget* parent = nullptr);

private:
    Terminal& terminal_;
    QLineEdit* nameBox_; // 名前
    QLabel* cardIdm_;    // ID
};

} // namespace velmora
