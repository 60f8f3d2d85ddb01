#pragma once

#include <QString>

// Saves a picture of every dialog into in_dir; 0 when all were saved.
int RunDialogScreenshots(const QString& in_dir);
