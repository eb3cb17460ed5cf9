#include "Pictures.h"

#include "BmpWriter.h"
#include "DataGen.h"
#include "JpegWriter.h"
#include "PicturePainter.h"
#include "PictureRecipe.h"
#include "SoundFiles.h"

#include <stdexcept>
#include <string>

namespace DataGen {
namespace {

bool IsJpeg(std::string_view file) { return file.ends_with(".jpg"); }

std::filesystem::path RecipeOf(const std::filesystem::path& assets, std::string_view file)
{
    return assets / "pictures" / (std::filesystem::path(file).stem().string() + ".txt");
}

}  // namespace

PixelImage MakeStoryPicture(const std::filesystem::path& assets, std::string_view file)
{
    const PictureRecipe recipe = ReadPictureRecipe(RecipeOf(assets, file));
    if (recipe.width > StoryPictureMaxWidth || recipe.height > StoryPictureMaxHeight)
        throw std::runtime_error(recipe.file.string() + ": the story screen has room for " +
                                 std::to_string(StoryPictureMaxWidth) + " x " + std::to_string(StoryPictureMaxHeight) +
                                 " pixels at most");
    return PaintPicture(recipe, assets / "sprites");
}

void WritePictures(const Paths& paths)
{
    for (const std::string_view file : StoryPictureFiles) {
        const PixelImage picture = MakeStoryPicture(paths.assets, file);
        const std::filesystem::path out = paths.out / file;
        if (IsJpeg(file)) WriteDataFile(out, EncodeJpeg(picture));
        else WriteBmp(out, picture);
    }
}

}  // namespace DataGen
