#include "CommandBody.h"

#include <cstdio>

namespace {

constexpr const char kPrefix[] = "X_PROTOCOL=120&X_COMMAND=";

void AppendInt(std::string &out, const char *key, int value) {
    out += key;
    out += '=';
    out += std::to_string(value);
    out += '&';
}

}  // namespace

std::string BuildBeginJobBody(const CBeginJobFields &f, const std::string &clientSystem,
                              const std::string &userName, const std::string &password,
                              const CLeadByteTable &leads) {
    std::string b = kPrefix;
    b += cmd::kBeginJob;
    b += "&X_CLIENT=2-" + clientSystem;
    b += "&X_USERNAME=" + EscapeFormValue(userName, leads);
    b += "&X_PASSWORD=" + EscapeFormValue(password, leads);
    b += '&';
    AppendInt(b, "X_PAPER_PLACE", f.paperPlace);
    AppendInt(b, "X_SCAN_FACE", f.scanFace);
    AppendInt(b, "X_COLOR_MODE", f.colorMode);
    AppendInt(b, "X_RESOLUTION", f.resolution);
    AppendInt(b, "X_INPUTMEDIUMSIZE", f.inputMediumSize);
    AppendInt(b, "X_IMAGE_WIDTH", f.imageWidth);
    AppendInt(b, "X_IMAGE_HEIGHT", f.imageHeight);
    AppendInt(b, "X_INPUTMEDIUMMIX", f.inputMediumMix);
    AppendInt(b, "X_BRIGHTNESS", f.brightness);
    AppendInt(b, "X_CONTRAST", f.contrast);
    AppendInt(b, "X_SATURATION", f.saturation);
    AppendInt(b, "X_SHARPNESS", f.sharpness);
    AppendInt(b, "X_ENABLEBACKGROUNDELIMINATION", f.backgroundElimination);
    AppendInt(b, "X_BLEEDTHROUGHREMOVAL", f.bleedThroughRemoval);
    AppendInt(b, "X_PHOTOGRAPHS", f.photographs);
    AppendInt(b, "X_IMAGE_MODE", f.imageMode);
    AppendInt(b, "X_ISOTROPIC", f.isotropic);
    AppendInt(b, "X_EDGEERASE", f.edgeErase);
    AppendInt(b, "X_OUTPUTMEDIUMSIZE", f.outputMediumSize);
    return b;
}

std::string BuildSessionCommandBody(const char *command, int32_t session) {
    return std::string(kPrefix) + command + "&X_SESSION=" + std::to_string(session);
}

std::string BuildGetImageBody(int32_t session, int32_t startByte, int32_t requireByte) {
    return BuildSessionCommandBody(cmd::kGetImage, session) +
           "&X_PLANE=0&X_START_BYTE=" + std::to_string(startByte) +
           "&X_REQUIRE_BYTE=" + std::to_string(requireByte);
}

std::string BuildCommandHeaders(const std::string &language) {
    return "Content-Type: application/x-www-form-urlencoded\r\nPragma: no-chace\r\n"
           "X-VELT-Language: " +
           language + "\r\n";
}

std::string CommandPathFromWebPath(const std::string &fileText) {
    std::string line = fileText.substr(0, fileText.find('\n'));
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    size_t eq = line.find('=');
    if (eq == std::string::npos || line.compare(0, eq, "CGI_PATH") != 0)
        return std::string();
    return line.substr(eq + 1) + kCommandProgram;
}
