#include "SimReport.h"

#include "BmpWriter.h"
#include "chara/UnitEnemy.h"
#include "chara/UnitMine.h"
#include "chara/UnitPools.h"
#include "chara/UnitTBomb.h"
#include "chara/UnitTShot.h"
#include "runtime/UnitMain.h"
#include "stage/UnitStory.h"

#include <algorithm>
#include <sstream>

namespace Sim {
namespace {

// Members of one JSON object, written in order.
class TObject {
public:
    TObject& Add(const char* name, std::int32_t value) { return Raw(name, std::to_string(value)); }
    TObject& Add(const char* name, std::int64_t value) { return Raw(name, std::to_string(value)); }
    TObject& Add(const char* name, bool value) { return Raw(name, value ? "true" : "false"); }
    TObject& Add(const char* name, const std::string& value) { return Raw(name, Quoted(value)); }
    TObject& Raw(const char* name, const std::string& json)
    {
        if (!text_.empty()) text_ += ",";
        text_ += Quoted(name) + ":" + json;
        return *this;
    }
    const std::string& Members() const { return text_; }
    std::string Json() const { return "{" + text_ + "}"; }

    static std::string Quoted(const std::string& s)
    {
        std::string out = "\"";
        for (const char c : s) {
            if (c == '"' || c == '\\') out += '\\';
            out += c;
        }
        return out + "\"";
    }

private:
    std::string text_;
};

template <typename TList>
std::string Array(const TList& items)
{
    std::string out = "[";
    for (const auto& item : items) {
        if (out.size() > 1) out += ",";
        out += item;
    }
    return out + "]";
}

std::string PlayerJson(const TWeaponStates& weapons)
{
    const TMyChara& me = *Mine;
    return TObject()
        .Add("x", me.x).Add("y", me.y).Add("vx", me.vx).Add("vy", me.vy)
        .Add("energy", me.energy).Add("lives", me.lives)
        .Add("exists", me.exists).Add("alive", me.alive).Add("entering", me.entering)
        .Add("invulnFrames", me.invulnFrames).Add("laserWidth", weapons.laserWidth)
        .Add("dark", weapons.dark).Add("barrier", weapons.barrier).Add("bombEffect", me.bombEffect)
        .Json();
}

std::string EnemiesJson()
{
    std::vector<std::string> enemies;
    for (std::size_t slot = 0; slot < Enemies.size(); ++slot) {
        const TEnemy& e = *Enemies[slot];
        if (!e.exists) continue;
        enemies.push_back(TObject()
                              .Add("slot", std::int64_t(slot)).Add("kind", std::int64_t(e.kind))
                              .Add("x", e.x).Add("y", e.y).Add("hp", e.hp).Add("alive", e.alive).Add("boss", e.boss)
                              .Json());
    }
    return Array(enemies);
}

std::int64_t Live(const auto& pool)
{
    return std::count_if(pool.begin(), pool.end(), [](const auto& c) { return c->exists; });
}

std::string Quote(const std::string& s) { return TObject::Quoted(s); }

}  // namespace

std::string StateFields(const std::string& scene, const TWeaponStates& weapons)
{
    TObject state;
    state.Add("scene", scene)
        .Add("StageNo", StageNo).Add("StageFrame", StageFrame).Add("Score", Score)
        .Add("Pause", Pause).Add("StageClear", StageClear).Add("ClearCount", ClearCount)
        .Add("GameOver", GameOver).Add("GameOverCount", GameOverCount)
        .Raw("player", PlayerJson(weapons))
        .Raw("friend", TObject().Add("exists", Friend->exists).Add("x", Friend->x).Add("y", Friend->y).Json())
        .Raw("enemies", EnemiesJson())
        .Raw("counts", TObject()
                           .Add("enemies", Live(Enemies)).Add("bombs", Live(Bombs))
                           .Add("shots", Live(Shots)).Add("eshots", Live(EShots))
                           .Json())
        .Raw("story", TObject().Add("PageNo", PageNo).Add("LinesShown", LinesShown).Add("ChapterEnd", ChapterEnd).Json());
    return state.Members();
}

std::string StateJson(const std::string& scene, const TWeaponStates& weapons)
{
    return "{" + StateFields(scene, weapons) + "}\n";
}

std::string TraceLine(std::int32_t tick, const std::string& scene, const TWeaponStates& weapons,
                      const TTickSounds& sounds)
{
    std::vector<std::string> effects, music;
    for (const std::string& s : sounds.sounds) effects.push_back(Quote(s));
    for (const std::string& m : sounds.music) music.push_back(Quote(m));
    TObject line;
    line.Add("tick", std::int64_t(tick));
    return "{" + line.Members() + "," + StateFields(scene, weapons) + ",\"sounds\":" + Array(effects) +
           ",\"music\":" + Array(music) + ",\"musicStopped\":" + (sounds.musicStopped ? "true" : "false") + "}\n";
}

void WriteShot(const TBitmap& client, const std::string& file)
{
    DataGen::PixelImage image(client.Width(), client.Height());
    for (std::int32_t y = 0; y < client.Height(); ++y)
        for (std::int32_t x = 0; x < client.Width(); ++x) {
            const TPixel p = client.Row(y)[x];
            image.At(x, y) = DataGen::Rgb{p.r, p.g, p.b};
        }
    DataGen::WriteBmp(file, image);
}

}  // namespace Sim
