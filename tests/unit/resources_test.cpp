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

    for (const char* name : {"media/missing", "media/dir", "media/out", "media/up", "linked/x",
                             "media//01", "media/../05"}) {
        EXPECT_EQ(resources.urlForResource(name, "mp3"), std::nullopt) << name;
    }
    EXPECT_EQ(FileResources(base / "absent").urlForResource("media/01", "mp3"), std::nullopt);
}

// The one check of a relative name for the resources and the notification sounds.
TEST(SafePathSegments, TakeOnlyNamesThatStayBelowTheirFolder) {
    using Segments = std::vector<std::string_view>;
    EXPECT_EQ(safePathSegments("media/01.mp3"), (Segments{"media", "01.mp3"}));
    EXPECT_EQ(safePathSegments("05"), Segments{"05"});
    EXPECT_EQ(safePathSegments("a/..b/c."), (Segments{"a", "..b", "c."}));
    for (const auto& name :
         {std::string(), std::string("/etc/passwd"), std::string("media/"),
          std::string("media//01"), std::string("./media/01"), std::string("media/."),
          std::string("media/../05"), std::string("../secret"), std::string("media/01\0", 9)}) {
        EXPECT_EQ(safePathSegments(name), std::nullopt) << testing::PrintToString(name);
    }
}

// MPEG 1 layer III, 128 kbit/s, 44.1 kHz, no padding: 417 bytes per frame.
std::vector<unsigned char> frames(int count, unsigned char thirdByte = 0x90) {
    std::vector<unsigned char> bytes;
    for (int i = 0; i < count; ++i) {
        const unsigned char header[] = {0xFF, 0xFB, thirdByte, 0x00};
        bytes.insert(bytes.end(), std::begin(header), std::end(header));
        bytes.resize(bytes.size() + 413, 0x55);
    }
    return bytes;
}

TEST_F(TempTree, Mp3ProbeTellsAudioFromEverythingElse) {
    std::vector<unsigned char> tag = {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 20};
    tag.resize(30, 0);
    const auto join = [](std::vector<unsigned char> a, const std::vector<unsigned char>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    auto broken = frames(2);
    broken[418] = 0x00;  // the second frame's header is damaged
    auto truncated = frames(1);
    truncated.resize(100);
    const struct {
        const char* name;
        std::vector<unsigned char> bytes;
        bool audio;
    } cases[] = {
        {"plain_frames", frames(3), true},
        {"id3_tag_then_frames", join(tag, frames(3)), true},
        {"one_frame_then_end", frames(1), true},
        {"one_frame_then_id3v1", join(frames(1), {'T', 'A', 'G', 0}), true},
        {"empty", {}, false},
        {"damaged_second_frame", broken, false},
        {"truncated_frame", truncated, false},
        {"bad_bitrate", frames(2, 0xF0), false},
        {"tag_only", tag, false},
    };
    for (const auto& c : cases) {
        const auto path = base / (std::string(c.name) + ".mp3");
        write(path, c.bytes);
        EXPECT_EQ(looksLikeMp3(path.string()), c.audio) << c.name;
    }
    EXPECT_FALSE(looksLikeMp3((base / "absent.mp3").string()));
    EXPECT_FALSE(looksLikeMp3(base.string())) << "a folder";
}

}  // namespace
}  // namespace quintrel
