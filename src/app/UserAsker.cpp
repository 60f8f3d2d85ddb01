#include "app/UserAsker.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

SaveChoice QtUserAsker::AskSaveChanges(const QString& in_title) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quorlin"),
                    QStringLiteral("Save changes to %1?").arg(in_title),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
        case QMessageBox::Save:
            return SaveChoice::Save;
        case QMessageBox::Discard:
            return SaveChoice::Discard;
        default:
            return SaveChoice::Cancel;
    }
}

QString QtUserAsker::OpenFileName(const QString& in_caption, const QStringList& in_filters,
                                  const QString& in_folder) {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), in_caption, in_folder,
                                        in_filters.join(QStringLiteral(";;")));
}

QString QtUserAsker::SaveFileName(const QString& in_caption, const QString& in_proposed,
                                  const QStringList& in_filters) {
    QFileDialog dialog(QApplication::activeWindow(), in_caption, in_proposed);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(in_filters);
    dialog.setDefaultSuffix(QStringLiteral("m80"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog.selectedFiles().constFirst();
}
