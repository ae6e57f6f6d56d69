#include "views/AboutText.h"

namespace {
const char kMaker[] = "vantorel@palvane.example";
}  // namespace

std::string AboutVersionText(const FileVersionInfo& info, const std::string& release) {
    std::string build = info.StringItem(FileVersionInfo::kSpecialBuild);
    return info.StringItem(FileVersionInfo::kFileDescription) + "\n\n" +
           info.StringItem(FileVersionInfo::kInternalName) + "  v" +
           info.StringItem(FileVersionInfo::kFileVersion) + "  " +
           (build.empty() ? release : build) + "\n" +
           info.StringItem(FileVersionInfo::kLegalCopyright) + "\n\n" + info.LanguageName();
}

// A secure address is as much a web page as a plain one.
bool IsWebAddress(const std::string& text) {
    return text.compare(0, 7, "http://") == 0 || text.compare(0, 8, "https://") == 0;
}

std::string MailLink() {
    return std::string("mailto:") + kMaker + "?subject=About%20Vantorel";
}

std::string MakerSiteLink() {
    return "http://www.palvane.example/";
}

std::string DonationLink() {
    return std::string("https://payments.palvane.example/cgi-bin/webscr?cmd=_xclick&business=") +
           kMaker + "&no_note=1&currency_code=EUR&tax=0";
}
