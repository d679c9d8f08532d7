#include "platform/file_io.h"

namespace scrimble {
namespace {

class Disk final : public WholeFiles {
public:
    std::optional<std::string> Read(const std::wstring& path) override { return ReadWholeFile(path); }
    void Replace(const std::wstring& path, const std::string& contents) override {
        ReplaceFileContents(path, contents);
    }
};

}  // namespace

WholeFiles& DiskFiles() {
    static Disk disk;  // stateless: shared by every caller and thread
    return disk;
}

void ReplaceFileContents(const std::wstring& path, const std::string& contents) {
    ReplaceFileContents(path, contents.data(), contents.size());
}

std::wstring TemporarySiblingPath(const std::wstring& path, const std::wstring& uniqueSuffix) {
    // Both slashes separate directories on Windows, and "C:name" is relative
    // to drive C:; the scratch file must land in the target's directory so
    // that the final rename stays on one volume.
    const size_t lastSeparator = path.find_last_of(L"\\/:");
    const size_t nameStart = lastSeparator == std::wstring::npos ? 0 : lastSeparator + 1;
    return path.substr(0, nameStart) + L"~" + path.substr(nameStart) + L"." + uniqueSuffix + L".tmp";
}

}  // namespace scrimble
