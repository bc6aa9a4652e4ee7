#include "platform/port_mapping.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kdm {

MappingResult CheckMapping(const PortMap& map, std::string_view name, const std::string& path) {
    MappingResult result;
    result.portNumber = PortNumberOfName(name);
    if (result.portNumber == 0) {
        result.problem = MappingProblem::kNotPortName;
    } else if (!path.empty() && path.front() != '/') {
        result.problem = MappingProblem::kRelativePath;
    } else if (map.UsesPortDirectory()) {
        result.problem = MappingProblem::kPortDirectory;
    }
    if (result.problem != MappingProblem::kNone || path.empty()) return result;

    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            result.warning = MappingWarning::kMissing;
        } else {
            result.warning = MappingWarning::kUnreadable;
            result.systemError = errno;
        }
    } else if (!S_ISCHR(st.st_mode)) {
        result.warning = MappingWarning::kNotCharacterDevice;
    }
    return result;
}

MappingResult StoreMapping(PortMap& map, std::string_view name, const std::string& path) {
    MappingResult result = CheckMapping(map, name, path);
    if (result.problem != MappingProblem::kNone) return result;
    result.stored = map.SetMapping(result.portNumber, path);
    if (!result.stored) result.problem = MappingProblem::kNotStored;
    return result;
}

std::string MappingProblemText(const MappingResult& result, std::string_view name, const std::string& path) {
    switch (result.problem) {
        case MappingProblem::kNone:
            break;
        case MappingProblem::kNotPortName:
            return "Not a port name: " + std::string(name) + " (use COM1 to COM30)";
        case MappingProblem::kRelativePath:
            return "Not an absolute path: " + path + " (give the whole path, for example /dev/ttyUSB0)";
        case MappingProblem::kPortDirectory: {
            const char* directory = std::getenv("KDMXP_PORT_DIR");
            return "KDMXP_PORT_DIR is set (" + std::string(directory == nullptr ? "" : directory) +
                   "): its entries decide where the ports lead.";
        }
        case MappingProblem::kNotStored:
            return "Could not store the mapping of COM" + std::to_string(result.portNumber) + ".";
    }
    return {};
}

std::string MappingWarningText(const MappingResult& result, const std::string& path) {
    const std::string port = "COM" + std::to_string(result.portNumber);
    switch (result.warning) {
        case MappingWarning::kNone:
            break;
        case MappingWarning::kMissing:
            return path + " does not exist; " + port + " leads nowhere until it does.";
        case MappingWarning::kNotCharacterDevice:
            return path + " is not a character device; " + port + " cannot be opened.";
        case MappingWarning::kUnreadable:
            return path + " cannot be looked at (" + std::strerror(result.systemError) + ").";
    }
    return {};
}

}  // namespace kdm
