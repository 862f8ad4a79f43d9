/* Fixture for the image library tests: a private temporary folder (tests/common) that also
 * serves as HOME and the XDG folders, English and UTC, and a helper to write files there. */
#ifndef VOK_IMG_TEST_ENV_H
#define VOK_IMG_TEST_ENV_H

#include "image_builders.h"
#include "vok_test_env.h"

#include <memory>
#include <string>

class ImgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        temp_ = std::make_unique<voktest::TempDir>("vokimg-test");
        ASSERT_FALSE(temp_->path().empty());
        dir_ = temp_->path();
        home_ = std::make_unique<voktest::ScopedHome>(dir_, voktest::HomeLayout{});
        language_ = std::make_unique<voktest::ScopedEnv>("LC_ALL", "C");
        zone_ = std::make_unique<voktest::ScopedEnv>("TZ", "UTC");
    }
    void TearDown() override {
        zone_.reset();
        language_.reset();
        home_.reset();
        temp_.reset();
    }
    // Writes bytes to a file of that name in the private folder and gives its path.
    std::string put(const std::string& name, const imgtest::Bytes& bytes) {
        std::string path = dir_ + "/" + name;
        EXPECT_TRUE(imgtest::write_file(path, bytes));
        return path;
    }
    std::string dir_;

  private:
    std::unique_ptr<voktest::TempDir> temp_;
    std::unique_ptr<voktest::ScopedHome> home_;
    std::unique_ptr<voktest::ScopedEnv> language_, zone_;
};

#endif
