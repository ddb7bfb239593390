#include "platform/win32/ParameterText.h"

std::string MakeParameterText(const std::vector<std::string>& files) {
    std::string text;
    for (const std::string& file : files) {
        if (!text.empty()) {
            text += ' ';
        }
        text += '"' + file + '"';
    }
    return text;
}
