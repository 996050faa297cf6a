// Which mail index a file of a mail log belongs to.
#pragma once

#include <QString>

namespace mixconv::ui {

// NAME.MIX for NAME.MIX itself or for its text file NAME.TXT (in the same letter
// case as the file's extension); empty for any other file.
QString IndexPathFor(const QString& path);

}  // namespace mixconv::ui
