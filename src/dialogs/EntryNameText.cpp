#include "dialogs/EntryNameText.h"

#include <QByteArray>

QString EntryNameToText(const std::string& in_name) {
    return QString::fromLatin1(in_name.data(), static_cast<qsizetype>(in_name.size()));
}

std::string EntryNameFromText(const QString& in_text) {
    const QByteArray bytes = in_text.toLatin1();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}
