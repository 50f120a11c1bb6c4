// Writing the demo code into the preferences file without losing what is there.

#include "DemoPreferences.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "ChromeApi.h"

namespace standin {

DemoCodeResult storeDemoCode(const std::string& path) {
    namespace fs = std::filesystem;
    auto preferences = nlohmann::json::object();
    std::error_code ec;
    if (fs::exists(path, ec)) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        if (!in) {
            return {std::nullopt, "cannot read " + path};
        }
        preferences = nlohmann::json::parse(text.str(), nullptr, false);
        if (!preferences.is_object()) {
            return {std::nullopt, path + " does not hold a JSON object; left unchanged"};
        }
        const auto code = preferences.find("qnapicode");
        if (code != preferences.end() && code->is_string() && !code->get<std::string>().empty()) {
            return {code->get<std::string>(), "keeping the API code already in " + path};
        }
    }
    preferences["qnapicode"] = kDemoCode;
    const fs::path target(path);
    fs::create_directories(target.parent_path(), ec);
    const auto temporary = target.string() + ".demo-tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << preferences.dump(4) << '\n';
        if (!out.flush()) {
            fs::remove(temporary, ec);
            return {std::nullopt, "cannot write " + temporary};
        }
    }
    ::chmod(temporary.c_str(), 0600);
    fs::rename(temporary, target, ec);
    if (ec) {
        fs::remove(temporary, ec);
        return {std::nullopt, "cannot replace " + path};
    }
    return {std::string(kDemoCode), "stored the demo API code in " + path};
}

}  // namespace standin
