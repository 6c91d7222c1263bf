#pragma once

// Every file an install of the suite holds, relative to its prefix.

#include <string>
#include <vector>

namespace packaging_test {

struct InstalledFile {
    std::string path;
    bool program = false;
};

inline std::vector<InstalledFile> installedFiles(const std::string& appId) {
    std::vector<InstalledFile> files{
        {"bin/TrelvoResults", true},
        {"bin/TrelvoResultsWidgetExtension", true},
        {"bin/VantorelWidgetExtension", true},
        {"bin/trelvo-demo-service", true},
        {std::string(PACKAGING_MODULE_DIR) + "/desktop-window.so"},
        {std::string(PACKAGING_MODULE_DIR) + "/svg-image.so"},
        {"share/" + appId + "/trelvo.svg"},
        {"share/" + appId + "/autostart/" + appId + ".ResultsWidget.desktop"},
        {"share/" + appId + "/autostart/" + appId + ".CountdownWidget.desktop"},
        {"share/applications/" + appId + ".desktop"},
        {"share/icons/hicolor/scalable/apps/" + appId + ".svg"},
        {"share/metainfo/" + appId + ".metainfo.xml"},
        {"share/doc/trelvo-results/copyright"},
        {"share/doc/trelvo-results/changelog.Debian.gz"},
        {"share/lintian/overrides/trelvo-results"},
    };
    for (const char* program :
         {"TrelvoResults", "TrelvoResultsWidgetExtension", "VantorelWidgetExtension"}) {
        for (const char* language : {"en", "ru"}) {
            files.push_back(
                {"share/" + appId + "/locale/" + language + "/LC_MESSAGES/" + program + ".mo"});
        }
    }
    for (const char* language : {"en", "ru"}) { // the widget host's own words
        files.push_back({"share/" + appId + "/locale/" + language + "/LC_MESSAGES/WidgetHost.mo"});
    }
    for (const char* program : {"TrelvoResults", "TrelvoResultsWidgetExtension",
                                "VantorelWidgetExtension", "trelvo-demo-service"}) {
        files.push_back({std::string("share/man/man1/") + program + ".1.gz"});
    }
    return files;
}

} // namespace packaging_test
