#pragma once

#include <QString>
#include <string>

// Entry names are single-byte text, one byte a character, as the bank file and the
// clipboard record carry them. These turn them into what a control shows and back;
// a character that has no single byte becomes '?'.
QString EntryNameToText(const std::string& in_name);
std::string EntryNameFromText(const QString& in_text);
