#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "util/FileResources.h"
#include "util/Mp3Probe.h"

namespace quintrel {
namespace {

namespace fs = std::filesystem;

class TempTree : public testing::Test {
protected:
    void SetUp() override {
        base = fs::temp_directory_path() /
               ("quintrel-resources-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(base);
        fs::create_directories(base / "share" / "quintrel-companion" / "media");
        fs::create_directories(base / "bin");
        root = base / "share" / "quintrel-companion";
    }
    void TearDown() override { fs::remove_all(base); }
    void write(const fs::path& path, const std::vector<unsigned char>& bytes) {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    }
    void touch(const fs::path& path) { write(path, {'x'}); }

    fs::path base;
    fs::path root;
};

TEST_F(TempTree, ResourcesResolveOnlyInsideTheFolderTheirNameStartsIn) {
    touch(root / "media" / "01.mp3");
    touch(root / "05.mp3");
    touch(base / "secret.mp3");
    fs::create_directory(root / "media" / "dir.mp3");
    fs::create_symlink(base / "secret.mp3", root / "media" / "out.mp3");
    fs::create_symlink("../05.mp3", root / "media" / "up.mp3");
    fs::create_symlink("01.mp3", root / "media" / "alias.mp3");
    fs::create_directories(base / "elsewhere");
    touch(base / "elsewhere" / "x.mp3");
    fs::create_directory_symlink(base / "elsewhere", root / "linked");

    const FileResources resources(root);
    const auto canonicalRoot = fs::canonical(root).string();
    EXPECT_EQ(resources.urlForResource("media/01", "mp3"), canonicalRoot + "/media/01.mp3");
    EXPECT_EQ(resources.urlForResource("05", "mp3"), canonicalRoot + "/05.mp3");
    EXPECT_EQ(resources.urlForResource("media/alias", "mp3"), canonicalRoot + "/media/01.mp3");

    const std::string refused[] = {"media/missing",
                                   "media/dir",
                                   "media/out",
                                   "media/up",
                                   "linked/x",
                                   "media/../05",
                                   "../secret",
                                   "media/../../secret",
                                   "",
                                   "/etc/passwd",
                                   "media//01",
                                   "./media/01",
                                   std::string("media/01\0", 9)};
    for (const auto& name : refused) {
        EXPECT_EQ(resources.urlForResource(name, "mp3"), std::nullopt) << name;
    }
    EXPECT_EQ(FileResources(base / "absent").urlForResource("media/01", "mp3"), std::nullopt);
}

TEST_F(TempTree, TheRootIsBesideTheBinaryWhenInstalledElseTheBuildTreeCopy) {
    EXPECT_EQ(resourcesRoot(base / "bin", "/src/resources"), fs::path(root).lexically_normal());
    fs::remove_all(root);
    EXPECT_EQ(resourcesRoot(base / "bin", "/src/resources"), fs::path("/src/resources"));
}

// MPEG 1 layer III, 128 kbit/s, 44.1 kHz, no padding: 417 bytes per frame.
std::vector<unsigned char> frames(int count, unsigned char thirdByte = 0x90) {
    std::vector<unsigned char> bytes;
    for (int i = 0; i < count; ++i) {
        std::vector<unsigned char> frame(417, 0x55);
        frame[0] = 0xFF;
        frame[1] = 0xFB;
        frame[2] = thirdByte;
        frame[3] = 0x00;
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    return bytes;
}

TEST_F(TempTree, Mp3ProbeTellsAudioFromEverythingElse) {
    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
        bool audio;
    };
    std::vector<unsigned char> tagged = {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 20};
    tagged.resize(30, 0);
    const auto three = frames(3);
    tagged.insert(tagged.end(), three.begin(), three.end());
    auto broken = frames(2);
    broken[418] = 0x00;  // the second frame's header is damaged
    auto withTrailer = frames(1);
    auto truncated = frames(1);
    truncated.resize(100);
    withTrailer.insert(withTrailer.end(), {'T', 'A', 'G', 0});

    const Case cases[] = {
        {"plain_frames", frames(3), true},
        {"id3_tag_then_frames", tagged, true},
        {"one_frame_then_end", frames(1), true},
        {"one_frame_then_id3v1", withTrailer, true},
        {"empty", {}, false},
        {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}, false},
        {"damaged_second_frame", broken, false},
        {"truncated_frame", truncated, false},
        {"bad_bitrate", frames(2, 0xF0), false},
        {"bad_sample_rate", frames(2, 0x9C), false},
        {"tag_only", std::vector<unsigned char>(tagged.begin(), tagged.begin() + 30), false},
    };
    for (const auto& c : cases) {
        const auto path = base / (std::string(c.name) + ".mp3");
        write(path, c.bytes);
        EXPECT_EQ(looksLikeMp3(path.string()), c.audio) << c.name;
    }
    EXPECT_FALSE(looksLikeMp3((base / "absent.mp3").string()));
    EXPECT_FALSE(looksLikeMp3(base.string())) << "a folder";
}

TEST(ShippedSounds, AreMp3Audio) {
    const FileResources resources(QUINTREL_TEST_RESOURCES_DIR);
    for (const char* name : {"media/01", "media/02"}) {
        const auto path = resources.urlForResource(name, "mp3");
        ASSERT_TRUE(path) << name;
        EXPECT_TRUE(looksLikeMp3(*path)) << name;
    }
}

}  // namespace
}  // namespace quintrel
