// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Who makes the program and where it lives on the web: shown by the help and upgrade windows and used for the page
// of the companion strip.
inline constexpr const char *ProgramAuthor = "韩立明";
inline constexpr const char *ProgramEmail = "hanliming@kelvara.com";
inline constexpr const char *ProgramWebSite = "https://www.kelvara.com";
// The page shown by the companion strip.
inline constexpr const char *ProgramSoftPage = "https://www.kelvara.com/soft.html";
