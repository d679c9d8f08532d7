// Whole files kept in memory, by path: what a test or the fuzzer hands to code
// that reads and replaces files through the WholeFiles seam.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/file_io.h"

namespace scrimble::test {

class MemoryFiles : public WholeFiles {
public:
    std::map<std::wstring, std::string> files;
    int replaceCount = 0;

    std::optional<std::string> Read(const std::wstring& path) override {
        const auto found = files.find(path);
        if (found == files.end()) return std::nullopt;
        return found->second;
    }
    void Replace(const std::wstring& path, const std::string& contents) override {
        ++replaceCount;
        files[path] = contents;
    }
    bool KeepAside(const std::wstring& path, const std::wstring& keptPath) override {
        const auto found = files.find(path);
        if (found == files.end()) return false;
        files[keptPath] = found->second;
        files.erase(path);
        return true;
    }
};

}  // namespace scrimble::test
