// korvalen-datagen: writes the game's data files (sprite sheets, side panel,
// icon, sound effects, music, story and its pictures) from the sources
// under assets/.
//
//   korvalen-datagen --assets DIR --out DIR [--contact-sheet FILE.bmp]
#include "DataGen.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

namespace {

void Usage()
{
    std::fprintf(stderr,
                 "usage: korvalen-datagen --assets DIR --out DIR [--contact-sheet FILE.bmp]\n");
}

}  // namespace

int main(int argc, char** argv)
{
    std::filesystem::path assets, out, contactSheet;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--assets") assets = argv[i + 1];
        else if (flag == "--out") out = argv[i + 1];
        else if (flag == "--contact-sheet") contactSheet = argv[i + 1];
        else { Usage(); return 2; }
    }
    if (assets.empty() || (out.empty() && contactSheet.empty())) { Usage(); return 2; }
    try {
        const DataGen::Paths paths{assets, out};
        if (!out.empty()) {
            std::filesystem::create_directories(out);
            DataGen::WriteSprites(paths);
            DataGen::WriteSounds(paths);
            DataGen::WriteMusic(paths);
            DataGen::WriteStory(paths);
            DataGen::WritePictures(paths);
        }
        if (!contactSheet.empty()) DataGen::WriteContactSheet(paths, contactSheet);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "korvalen-datagen: %s\n", e.what());
        return 1;
    }
    return 0;
}
