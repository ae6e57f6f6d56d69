#pragma once
// What the about box shows and opens, decided without a window.
#include <string>

#include "settings/FileVersionInfo.h"

// Description, name and version, build, copyright and language of the
// version information in use; `release` stands for an empty special build.
std::string AboutVersionText(const FileVersionInfo& info, const std::string& release);

// Whether the web link's text is a web address, so that a note or an empty
// text in its place opens nothing.
bool IsWebAddress(const std::string& text);

// The links of the maker.
std::string MailLink();
std::string MakerSiteLink();
std::string DonationLink();
