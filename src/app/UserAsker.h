#pragma once

#include <QString>
#include <QStringList>

class QWidget;

enum class SaveChoice { Save, Discard, Cancel };

// The questions the document commands ask the user: whether to save changes, and
// which file to open or save to. Tests answer them on script.
class UserAsker {
  public:
    virtual ~UserAsker() = default;
    virtual SaveChoice AskSaveChanges(const QString& in_title) = 0;
    // The chosen path, or an empty string when the user cancelled.
    virtual QString OpenFileName(const QString& in_caption, const QStringList& in_filters,
                                 const QString& in_folder) = 0;
    // in_proposed is a full path: the folder to start in and the name to offer.
    virtual QString SaveFileName(const QString& in_caption, const QString& in_proposed,
                                 const QStringList& in_filters) = 0;
};

// The desktop's own message box and file dialogs.
class QtUserAsker : public UserAsker {
  public:
    SaveChoice AskSaveChanges(const QString& in_title) override;
    QString OpenFileName(const QString& in_caption, const QStringList& in_filters,
                         const QString& in_folder) override;
    QString SaveFileName(const QString& in_caption, const QString& in_proposed,
                         const QStringList& in_filters) override;
};
