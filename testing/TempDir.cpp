#include "testing/TempDir.h"

#include <random>
#include <system_error>

namespace testing_support {

TempDir::TempDir() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (;;) {
        path_ = std::filesystem::temp_directory_path() / ("suite-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(path_)) return;
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace testing_support
