// Text between the settings model and the widgets. Field texts are the pager's own
// bytes, one character each: they travel as Latin-1 so that every byte a pager or a
// settings file holds is shown and written back unchanged. Status-log lines and
// message boxes carry file paths and are UTF-8.
#pragma once

#include <QString>
#include <string>

namespace pagerprog::gui {

inline QString fieldText(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string modelText(const QString& text) { return text.toLatin1().toStdString(); }

inline QString messageText(const std::string& text) { return QString::fromStdString(text); }

}  // namespace pagerprog::gui
