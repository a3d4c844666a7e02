#pragma once

#include <QString>
#include <string>

namespace quorrel::platform {

// The engine keeps text in UTF-8; Qt keeps it in UTF-16.
inline QString ToQString(const std::string& text)
{
    return QString::fromStdString(text);
}
inline std::string ToStdString(const QString& text)
{
    return text.toStdString();
}

}  // namespace quorrel::platform
