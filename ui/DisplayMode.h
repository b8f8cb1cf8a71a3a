#pragma once
// The display mode: which window is in front, kept as the text of the main window's hidden box
// "onScreen". Empty at start-up; set before a secondary window is shown; "Main" once it unloads.
// Each tick reads it: "Main" gives the text box the focus, "Full Screen" mirrors the band.

#include <QString>

namespace lexaro {

inline const QString kDisplayModeMain = QStringLiteral("Main");
inline const QString kDisplayModeFullScreen = QStringLiteral("Full Screen");
inline const QString kDisplayModeAbout = QStringLiteral("About");

}  // namespace lexaro
