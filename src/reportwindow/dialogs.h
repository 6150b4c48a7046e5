#pragma once
// The questions the window asks and the files and folders chosen in its dialogs, behind one
// interface passed in: the program shows Qt's dialogs, a test answers in order without any.

#include <QString>
#include <QStringList>
#include <optional>

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
    // Empty when cancelled.
    virtual QStringList openFiles(QWidget* parent, const QString& title, const QString& filter) = 0;
    virtual QString folder(QWidget* parent, const QString& title, const QString& start = {}) = 0;
    // A year from 2000 to `latest`, or nullopt when cancelled.
    virtual std::optional<int> year(QWidget* parent, const QString& title, const QString& text,
                                    int latest) = 0;
};

class QtDialogs final : public Dialogs {
public:
    Unsaved unsaved(QWidget* parent, const QString& text) override;
    bool confirm(QWidget* parent, const QString& name, const QString& title,
                 const QString& text) override;
    QStringList openFiles(QWidget* parent, const QString& title, const QString& filter) override;
    QString folder(QWidget* parent, const QString& title, const QString& start) override;
    std::optional<int> year(QWidget* parent, const QString& title, const QString& text,
                            int latest) override;
};

} // namespace velmora
