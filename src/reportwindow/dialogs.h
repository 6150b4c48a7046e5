#pragma once
// Every question the window asks, every file or folder chosen in its dialogs and every dialog
// of its own it shows until closed, behind one interface passed in: the program shows Qt's
// dialogs, a test answers in order without any.

#include <QString>
#include <QStringList>
#include <optional>

class QDialog;
class QWidget;

namespace velmora {

class Dialogs {
public:
    enum class Unsaved { Save, Discard, Cancel };
    virtual ~Dialogs() = default;
    // 保存 / 破棄 / キャンセル about edits not yet saved.
    virtual Unsaved unsaved(QWidget* parent, const QString& text) = 0;
    // Yes or no, no the default; `name` the box's object name.
    virtual bool confirm(QWidget* parent, const QString& name, const QString& title,
                         const QString& text) = 0;
    virtual void warn(QWidget* parent, const QString& title, const QString& text) = 0;
    // A line of text, trimmed; nullopt when cancelled or left empty.
    virtual std::optional<QString> text(QWidget* parent, const QString& name, const QString& title,
                                        const QString& label) = 0;
    // Empty when cancelled.
    virtual QStringList openFiles(QWidget* parent, const QString& title, const QString& filter) = 0;
    virtual QString openFile(QWidget* parent, const QString& title, const QString& start,
                             const QString& filter) = 0;
    virtual QString folder(QWidget* parent, const QString& title, const QString& start = {}) = 0;
    // A year from 2000 to `latest`, or nullopt when cancelled.
    virtual std::optional<int> year(QWidget* parent, const QString& title, const QString& text,
                                    int latest) = 0;
    // One of the window's own dialogs, shown until it is closed; its result.
    virtual int run(QDialog& dialog) = 0;
};

class QtDialogs final : public Dialogs {
public:
    Unsaved unsaved(QWidget* parent, const QString& text) override;
    bool confirm(QWidget* parent, const QString& name, const QString& title,
                 const QString& text) override;
    void warn(QWidget* parent, const QString& title, const QString& text) override;
    std::optional<QString> text(QWidget* parent, const QString& name, const QString& title,
                                const QString& label) override;
    QStringList openFiles(QWidget* parent, const QString& title, const QString& filter) override;
    QString openFile(QWidget* parent, const QString& title, const QString& start,
                     const QString& filter) override;
    QString folder(QWidget* parent, const QString& title, const QString& start) override;
    std::optional<int> year(QWidget* parent, const QString& title, const QString& text,
                            int latest) override;
    int run(QDialog& dialog) override;
};

} // namespace velmora
