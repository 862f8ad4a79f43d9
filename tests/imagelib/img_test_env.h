/* Fixture for the image library tests: a private temporary folder that also serves as
 * HOME and the XDG folders, English as the language, and helpers to write files there. */
#ifndef VOK_IMG_TEST_ENV_H
#define VOK_IMG_TEST_ENV_H

#include "image_builders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class ImgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/vokimg-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        setenv("HOME", dir_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
        setenv("LC_ALL", "C", 1);
        setenv("TZ", "UTC", 1);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    // Writes bytes to a file of that name in the private folder and gives its path.
    std::string put(const std::string& name, const imgtest::Bytes& bytes) {
        std::string path = dir_ + "/" + name;
        EXPECT_TRUE(imgtest::write_file(path, bytes));
        return path;
    }
    std::string dir_;
};

#endif
