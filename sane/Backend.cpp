// The SANE entry points of the corvnet backend. The dll meta-backend finds
// them by their "sane_corvnet_" names in libsane-corvnet.so.1.
#include <sane/sane.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Log.h"
#include "SaneDevice.h"

namespace {

constexpr const char kConfigFile[] = "corvnet.conf";
constexpr const char kDefaultConfigDir[] = "/etc/sane.d";

struct SBackend {
    std::vector<std::string> urls;
    std::vector<SANE_Device> devices;
    std::vector<const SANE_Device *> list;
};
SBackend *g_backend = nullptr;

std::string Trim(const std::string &s) {
    const size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos)
        return std::string();
    return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

// SANE_CONFIG_DIR is a list of folders; a trailing ':' adds the default.
std::vector<std::string> ConfigDirs() {
    std::vector<std::string> dirs;
    const char *env = std::getenv("SANE_CONFIG_DIR");
    std::string list = env ? env : "";
    if (list.empty() || list.back() == ':')
        list += kDefaultConfigDir;
    size_t start = 0;
    for (;;) {
        const size_t end = list.find(':', start);
        const std::string dir = list.substr(start, end == std::string::npos ? end : end - start);
        if (!dir.empty())
            dirs.push_back(dir);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return dirs;
}

std::vector<std::string> ReadConfig() {
    std::vector<std::string> urls;
    for (const std::string &dir : ConfigDirs()) {
        std::ifstream in(dir + "/" + kConfigFile);
        if (!in)
            continue;
        std::string line;
        while (std::getline(in, line)) {
            const std::string entry = Trim(line.substr(0, line.find('#')));
            if (entry.empty())
                continue;
            if (entry.rfind("http://", 0) != 0 && entry.rfind("https://", 0) != 0) {
                CorvLog(1, "%s/%s: not a server address: %s", dir.c_str(), kConfigFile,
                        entry.c_str());
                continue;
            }
            urls.push_back(entry);
        }
        CorvLog(2, "%zu server(s) from %s/%s", urls.size(), dir.c_str(), kConfigFile);
        break;
    }
    return urls;
}

CSaneDevice *Device(SANE_Handle h) {
    return static_cast<CSaneDevice *>(h);
}

}  // namespace

// Everything else in the library stays hidden.
#pragma GCC visibility push(default)
extern "C" {

SANE_Status sane_corvnet_init(SANE_Int *version_code, SANE_Auth_Callback) {
    if (version_code)
        *version_code = SANE_VERSION_CODE(SANE_CURRENT_MAJOR, 0, 1);
    delete g_backend;
    g_backend = new SBackend;
    g_backend->urls = ReadConfig();
    for (const std::string &url : g_backend->urls)
        g_backend->devices.push_back(
            SANE_Device{url.c_str(), "Corvane", "network scan server", "scanner"});
    for (const SANE_Device &d : g_backend->devices)
        g_backend->list.push_back(&d);
    g_backend->list.push_back(nullptr);
    return SANE_STATUS_GOOD;
}

void sane_corvnet_exit(void) {
    delete g_backend;
    g_backend = nullptr;
}

SANE_Status sane_corvnet_get_devices(const SANE_Device ***device_list, SANE_Bool) {
    if (!g_backend || !device_list)
        return SANE_STATUS_INVAL;
    *device_list = g_backend->list.data();
    return SANE_STATUS_GOOD;
}

SANE_Status sane_corvnet_open(SANE_String_Const name, SANE_Handle *handle) {
    if (!g_backend || !handle)
        return SANE_STATUS_INVAL;
    std::string url = name ? name : "";
    if (url.empty()) {
        if (g_backend->urls.empty())
            return SANE_STATUS_INVAL;
        url = g_backend->urls.front();
    } else if (url.rfind("http://", 0) != 0 && url.rfind("https://", 0) != 0) {
        return SANE_STATUS_INVAL;
    }
    *handle = new CSaneDevice(url);
    return SANE_STATUS_GOOD;
}

void sane_corvnet_close(SANE_Handle handle) {
    delete Device(handle);
}

const SANE_Option_Descriptor *sane_corvnet_get_option_descriptor(SANE_Handle handle,
                                                                 SANE_Int option) {
    return Device(handle)->Descriptor(option);
}

SANE_Status sane_corvnet_control_option(SANE_Handle handle, SANE_Int option, SANE_Action action,
                                        void *value, SANE_Int *info) {
    return Device(handle)->Control(option, action, value, info);
}

SANE_Status sane_corvnet_get_parameters(SANE_Handle handle, SANE_Parameters *params) {
    return Device(handle)->Parameters(params);
}

SANE_Status sane_corvnet_start(SANE_Handle handle) {
    return Device(handle)->Start();
}

SANE_Status sane_corvnet_read(SANE_Handle handle, SANE_Byte *data, SANE_Int max_length,
                              SANE_Int *length) {
    return Device(handle)->Read(data, max_length, length);
}

void sane_corvnet_cancel(SANE_Handle handle) {
    Device(handle)->Cancel();
}

SANE_Status sane_corvnet_set_io_mode(SANE_Handle, SANE_Bool non_blocking) {
    return non_blocking ? SANE_STATUS_UNSUPPORTED : SANE_STATUS_GOOD;
}

SANE_Status sane_corvnet_get_select_fd(SANE_Handle, SANE_Int *) {
    return SANE_STATUS_UNSUPPORTED;
}

}  // extern "C"
#pragma GCC visibility pop
