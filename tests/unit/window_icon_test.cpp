// The window icon, dat/icon.bmp, on SDL's dummy video driver: a missing or
// damaged icon is one line on stderr naming the file and the cause, and the
// window opens all the same.
#include "BmpWriter.h"
#include "platform/Application.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

namespace {

class TPlainForm : public TForm {
public:
    bool created = false;
    void FormCreate() override { created = true; }
};

// What opening the window printed, in a folder whose dat/ the setup filled.
std::string OpenWindowIn(const TTempFolder& folder)
{
    const TInFolder inFolder(folder.Path());
    Application::Initialize(Application::TBackend::Window);
    TPlainForm form;
    form.SetClientSize(416, 416);
    testing::internal::CaptureStderr();
    Application::CreateForm(form);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(form.created);
    Application::Finalize();
    return printed;
}

TEST(WindowIcon, AMissingOrDamagedIconIsOneLineAndTheWindowOpens)
{
    std::vector<std::uint8_t> cut = DataGen::EncodeBmp(DataGen::PixelImage(32, 32, {1, 2, 3}));
    cut.resize(100);
    struct TCase {
        const char* what;
        std::function<void(const TTempFolder&)> prepare;
        const char* says;
    };
    const TCase cases[] = {
        {"missing", [](const TTempFolder& f) { std::filesystem::create_directories(f / "dat"); },
         "there is no such file"},
        {"cut short", [&](const TTempFolder& f) { f.Write("dat/icon.bmp", cut); }, "the pixel data is cut short"},
        {"a folder", [](const TTempFolder& f) { std::filesystem::create_directories(f / "dat/icon.bmp"); },
         "it is a folder, not a file"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        const TTempFolder folder;
        c.prepare(folder);
        const std::string printed = OpenWindowIn(folder);
        EXPECT_TRUE(printed.starts_with("korvalen: no window icon (Cannot load \"dat/icon.bmp\": ")) << printed;
        EXPECT_NE(printed.find(c.says), std::string::npos) << printed;
        EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
    }
}

TEST(WindowIcon, AWholeIconIsTakenSilently)
{
    const TTempFolder folder;
    folder.Write("dat/icon.bmp", DataGen::EncodeBmp(DataGen::PixelImage(32, 32, {1, 2, 3})));
    EXPECT_EQ(OpenWindowIn(folder), "");
}

}  // namespace
