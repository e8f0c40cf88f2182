// A fresh folder under the system's temporary folder for one test, removed with everything in
// it when the object goes. Each object gets its own folder, so parallel tests never share one.
#pragma once

#include <filesystem>
#include <string>

namespace tf::test {

class CTempDir
{
  public:
    // The folder's name starts with the prefix (for a reader of /tmp); the rest is unique.
    explicit CTempDir(const std::string& prefix = "tf-test");
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // A path inside the folder (nothing is created).
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

  private:
    std::filesystem::path m_path;
};

// Whole-file helpers for tests: the bytes of a file ("" when it cannot be read), and a file
// written with exactly these bytes.
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

} // namespace tf::test
