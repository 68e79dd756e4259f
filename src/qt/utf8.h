// The shared UTF-8 texts as Qt strings.
#pragma once

#include <QString>

#include <string_view>

namespace lumivar {

// The shared texts and table are UTF-8; Qt's strings are not.
[[nodiscard]] inline QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace lumivar
