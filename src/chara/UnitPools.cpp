#include "UnitPools.h"

#include "UnitEnemy.h"
#include "UnitMine.h"
#include "UnitTBomb.h"
#include "UnitTChara.h"
#include "UnitTShot.h"

std::array<std::unique_ptr<TEnemy>, MaxEnemies> Enemies;
std::array<std::unique_ptr<TBomb>, MaxBombs> Bombs;
std::array<std::unique_ptr<TShot>, MaxShots> Shots;
std::unique_ptr<TFriend> Friend;
std::unique_ptr<TMyChara> Mine;
std::array<std::unique_ptr<TShot>, MaxEShots> EShots;
std::array<TChara*, CharaCount> AllCharas{};

namespace {

template <typename T, std::size_t N>
void CreatePool(std::array<std::unique_ptr<T>, N>& pool, std::size_t& listed)
{
    for (std::unique_ptr<T>& object : pool) {
        object = std::make_unique<T>();
        AllCharas[listed++] = object.get();
    }
}

template <typename T>
void CreateOne(std::unique_ptr<T>& object, std::size_t& listed)
{
    object = std::make_unique<T>();
    AllCharas[listed++] = object.get();
}

template <typename T, std::size_t N>
void FreePool(std::array<std::unique_ptr<T>, N>& pool)
{
    for (std::unique_ptr<T>& object : pool) object.reset();
}

}  // namespace

void CreateCharas()
{
    std::size_t listed = 0;
    CreatePool(Enemies, listed);
    CreatePool(Bombs, listed);
    CreatePool(Shots, listed);
    CreateOne(Friend, listed);
    CreateOne(Mine, listed);
    CreatePool(EShots, listed);
}

void AssignCharaSprites()
{
    Mine->setSprite("mine");
    for (const std::unique_ptr<TShot>& shot : Shots) shot->setSprite("shot");
    for (const std::unique_ptr<TShot>& shot : EShots) shot->setSprite("eshot");
}

void FreeCharas()
{
    AllCharas.fill(nullptr);
    Mine.reset();
    Friend.reset();
    FreePool(Shots);
    FreePool(EShots);
    FreePool(Enemies);
    FreePool(Bombs);
}

void MoveAll()
{
    for (TChara* chara : AllCharas) chara->update();
}
