// The story: dat/story/chapter<N>.txt, copied byte for byte from
// assets/story/chapter<N>.txt once the chapter passes the format check.
#include "DataGen.h"
#include "SoundFiles.h"
#include "StoryChapter.h"

#include <string>
#include <vector>

namespace DataGen {

void WriteStory(const Paths& paths)
{
    std::filesystem::create_directories(paths.out / "story");
    for (int chapter = 0; chapter < StoryChapters; ++chapter) {
        const std::string name = "chapter" + std::to_string(chapter) + ".txt";
        const std::filesystem::path source = paths.assets / "story" / name;
        const std::string text = ReadSourceText(source);
        ParseChapter(text, source);
        WriteDataFile(paths.out / "story" / name, std::vector<std::uint8_t>(text.begin(), text.end()));
    }
}

}  // namespace DataGen
