// The texts module speaks UTF-8 std::string; Qt's widgets want QString.
#pragma once

#include <QString>
#include <string>

namespace hyt {

inline QString UiText(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

} // namespace hyt
