// The program's own name and version, as its windows and message boxes show them.
#pragma once

#include <QString>

namespace App {
inline const QString Title = QStringLiteral("Corvane");
inline const QString ProductName = QStringLiteral("Corvane");
inline constexpr int Major = 3;
inline constexpr int Minor = 1;
} // namespace App
