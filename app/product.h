#pragma once

#include <QString>

// The product's own addresses on the web.
namespace Product {

inline const QString host = QStringLiteral("quorvane.app");
inline const QString homePage = QStringLiteral("https://quorvane.app");
inline const QString supportEmail = QStringLiteral("support@quorvane.app");

} // namespace Product
