#pragma once

#include <QString>
#include <string>

namespace quorrel::platform {

// The engine keeps text in the system's code page; Qt keeps it in UTF-16.
inline QString ToQString(const std::string& text)
{
    return QString::fromLocal8Bit(text);
}
inline std::string ToStdString(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

}  // namespace quorrel::platform
