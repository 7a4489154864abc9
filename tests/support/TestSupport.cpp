#include "TestSupport.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace testsupport {

TempDir::TempDir() {
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("parabase-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path fixturesDir() {
    std::filesystem::path p = JET_FIXTURES;
    std::error_code ec;
    if (p.empty() || !std::filesystem::is_directory(p, ec)) return {};
    return std::filesystem::canonical(p, ec);
}

std::string fixture(const std::string& relative) { return (fixturesDir() / relative).string(); }

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path);
    out << bytes;
}

}  // namespace testsupport
