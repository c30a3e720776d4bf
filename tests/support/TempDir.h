#pragma once
// A fresh folder for one test, removed with everything in it afterwards.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace cx::test {

class tTempDir {
public:
    tTempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "calorix-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        m_path = pattern;
    }
    ~tTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    tTempDir(const tTempDir&) = delete;
    tTempDir& operator=(const tTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }
    // The folder as text with a trailing '/', the form the directory rules use.
    std::string Dir() const { return m_path.string() + "/"; }

    void Write(const std::string& name, const std::string& content) const {
        std::filesystem::create_directories((m_path / name).parent_path());
        std::ofstream(m_path / name, std::ios::binary) << content;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(m_path / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path m_path;
};

}  // namespace cx::test
