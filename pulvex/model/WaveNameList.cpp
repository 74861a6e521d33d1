#include "pulvex/model/WaveNameTable.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

namespace pulvex {

namespace {

// The wave ROM's names, bank by bank, in ROM order. The unused rest of each bank of 128 is stored
// as empty texts, generated below, so that a position in the list is a position in the bank.
constexpr std::string_view kBank0[] = {
    "DR Kikin", "DR Hard",  "DR Boom",  "DR Danc1", "DR Danc2", "DR Danc3", "DR Danc4", "DR Jazz1",
    "DR Maple", "DR Pop1",  "DR Byter", "DR LoCal", "DR Beef",  "DR Clean", "DR Click", "DR Fuzzy",
    "DR Kinta", "DR Punch", "DR Round", "DR Slap1", "DR Slap2", "DR Solid", "DR Stud1", "DR Stud2",
    "DR Thump", "DR Woof",  "DR Arid",  "DR Huge",  "DR Live",  "JZ Lite",  "JZ DbHd1", "JZ DbHd2",
    "JZ Loose", "JZ Hard",  "JZ Swing", "JZ Swang", "JZ Smith", "RM Big",   "RM Pow",   "RM Boo",
    "RM Def",   "RM Lizrd", "RM Crnrh", "RM Piles", "RM Open",  "RM AirHd", "RM Tight", "RM Soft",
    "RM Jazz",  "RM Nuke",  "RM March", "RV Bambi", "RV Kick",  "RV Mondo", "RV Balad", "RV LoHz",
    "RV Orch",  "RV Arena", "GT Tyron", "GT Mutha", "GT Tight", "GT Noizy", "GT Homer", "GT Aero",
    "GT Fist",  "GT Stuff", "GT Blanc", "GT Snack", "GT Rattl", "GT Klass", "GT 5 Bar", "GT Grind",
    "AN Antek", "AN 919",   "AN 929",   "AN 939",   "AN 818",   "AN Sinus", "AN Booom", "EL Kirk",
    "EL Simm",  "EL Paso",  "EL Prinz", "EL Rap",   "EL Efant", "EL Ectro", "EL Ouise", "EL Ektrn",
    "EL Sid",   "EL Tech1", "EL Tech2", "FX Klam",  "FX Klang", "FX Hell",  "FX IYF",   "FX Trash",
    "FX Zilla", "FX Atom",  "FX Futur", "FX TNT",   "FX Cicad", "FX Delay",
};
constexpr std::string_view kBank1[] = {
    "DR HiPop", "DR Digit", "DR Rim1",  "DR Damn",  "DR Custr", "DR Basic", "DR Kindl", "DR Smack",
    "DR M.O.R", "DR Metl1", "DR Brass", "DR Steel", "DR Rim2",  "DR Tite1", "DR Tite2", "DR Maple",
    "DR Real1", "DR Norm",  "DR 400",   "DR Marly", "DR Danc1", "DR Danc2", "DR Danc3", "DR Arid1",
    "DR Arid2", "DR Arid3", "DR Arid4", "DR Rim3",  "DR Rim4",  "DR Vergn", "DR Wood",  "DR Real2",
    "DR Krack", "JZ Playr", "JZ Cool",  "JZ Brsa1", "JZ Swpa1", "JZ Brsb1", "JZ Swpb1", "JZ Swsh1",
    "JZ Brsa2", "JZ Swpa2", "JZ Brsb2", "JZ Swpb2", "JZ Swsh2", "RM Burnn", "RM Crank", "RM Karim",
    "RM Obese", "RM Diet",  "RM Tubby", "RM No FC", "RM 9volt", "RV Gospl", "RV TheDB", "RV Spike",
    "RV Atom",  "RV Sizzl", "RV Head",  "RV Biznz", "RV Wham",  "RV Bam",   "RV Thanx", "RV Canon",
    "RV Bryte", "RV Ghost", "RV IYF",   "GT Shock", "GT HiFab", "GT Short", "GT LoFab", "GT Sucks",
    "GT Thump", "GT EatIt", "GT Whip",  "GT Tasty", "GT Anvil", "GT Stape", "GT Erake", "GT Fable",
    "GT Wacko", "AN Orexk", "AN 919",   "AN 818",   "AN 929",   "AN 828",   "EL Down",  "EL Power",
    "EL Simm",  "FX Tech",  "FX 9Roll", "FX Ugly",  "FX Pain",  "FX Undys", "FX Igor",  "FX Spit",
    "FX Sneez", "FX Cough", "FX Bakup", "FX Ruff",  "FX Jam",   "FX Spew",  "FX Hack",  "SS Ambi1",
    "SS Ambi2", "SS Dryer", "SS Dry",   "SS Count",
};
constexpr std::string_view kBank2[] = {
    "DR Nice1", "DR Nice2", "DR Nice3", "DR Nice4", "DR Slap1", "DR Slap2", "DR Slap3", "DR Slap4",
    "DR Mapl1", "DR Mapl2", "DR Mapl3", "DR Mapl4", "DR Powr1", "DR Powr2", "DR Powr3", "DR Powr4",
    "DR Danc1", "DR Danc2", "DR Danc3", "DR Danc4", "DR Jaz1",  "DR Jaz2",  "DR Jaz3",  "DR Jaz4",
    "RM Bop1",  "RM Bop2",  "RM Bop3",  "RM Bop4",  "RM Metl1", "RM Metl2", "RM Metl3", "RM Metl4",
    "RM Metl5", "RM Metl6", "RM Klip1", "RM Klip2", "RM Klip3", "RM Klip4", "RM Wet1",  "RM Wet2",
    "RM Wet3",  "RM Wet4",  "RM Hard1", "RM Hard2", "RM Hard3", "RM Hard4", "RV Atom1", "RV Atom2",
    "RV Atom3", "RV Atom4", "RV Huge1", "RV Huge2", "RV Huge3", "RV Huge4", "RV Stik1", "RV Stik2",
    "RV Stik3", "RV Stik4", "RV Stad1", "RV Stad2", "RV Stad3", "RV Stad4", "RV Ambi1", "RV Ambi2",
    "RV Ambi3", "RV Ambi4", "GT Tite1", "GT Tite2", "GT Tite3", "GT Tite4", "AN Sine1", "AN Sine2",
    "AN Sine3", "AN Sine4", "EL Simm1", "EL Simm2", "EL Simm3", "EL Simm4", "EL Phew1", "EL Phew2",
    "EL Phew3", "EL Phew4", "FX Hurt1", "FX Hurt2", "FX Hurt3", "FX Hurt4", "FX Cyn1",  "FX Cyn2",
    "FX Cyn3",  "FX Cyn4",  "ET Buru1", "ET Buru2", "ET Buru3", "ET BStik", "FX Wack1", "FX Wack2",
    "FX Wack3", "FX Wack4", "FX Rvrs1", "FX Rvrs2", "FX Rvrs3", "FX Rvrs4", "FX Fing1", "FX Fing2",
    "FX Fing3", "FX Fing4", "FX Solo",
};
constexpr std::string_view kBank3[] = {
    "HH RYCl1", "HH RYQt1", "HH RYHf1", "HH RYOp1", "HH RYPd1", "HH RYCl2", "HH RYOp2", "HH RkClr",
    "HH RkkCl", "HH RkQrt", "HH RkHlf", "HH RkOpn", "HH RkPed", "HH AmCls", "HH AmOpn", "HH AmPed",
    "HH VxCls", "HH VxOpn", "HH TecC1", "HH TecC2", "HH TecC3", "HH TecO1", "HH TecO2", "HH Pitch",
    "HH Stand", "HH AnCl1", "HH AnOp1", "HH AnCl2", "HH AnOp2", "RD Medi1", "RD EdgCp", "HH Bell",
    "HH Flat",  "HH Rock",  "HH RckBl", "HH Jazz1", "HH Jazz2", "HH Long",  "HH Medi2", "HH Sizzl",
    "HH FxBel", "HH FxRid", "CR Crsh1", "CR Crsh2", "CR Dark1", "CR High1", "CR Dark2", "CR High2",
    "CR Rock1", "CR Rock2", "CR Choke", "CS Spls1", "CS Spls2", "CS Spls3", "CH Chin1", "CH Ride",
    "CH Short", "CH Chin2", "CH Gong",  "CH Strok", "FX Big1",  "FX Gong",  "FX Elekt", "FX Revrs",
    "FX Tecko",
};
constexpr std::string_view kBank4[] = {
    "LP AgoHi", "LP AgoLo", "LP BngHi", "LP BngLo", "LP Caba1", "LP Caba2", "LP Caba3", "LP Caba4",
    "LP Clave", "LP Qnto1", "LP Cong1", "LP Tumb1", "LP Slap1", "LP Low1",  "LP Mute1", "LP Heel1",
    "LP CgHi2", "LP CgLo2", "LP Slap2", "LP Mute2", "LP Heel2", "LP Cow1",  "LP Cow2",  "LP Cow3",
    "LP Guiro", "LP Shak1", "LP Shak2", "LP Tamb1", "LP Tamb2", "LP Tamb3", "LP Tmpl1", "LP Tmpl2",
    "LP Tmpl3", "LP Tmpl4", "LP TimH1", "LP TimL1", "LP TimH2", "LP TimL2", "LP Casc1", "LP Casc2",
    "LP Trian", "LP Whist", "PC Log1",  "PC Log2",  "PC Log3",  "PC Log4",  "PC Talk1", "PC Talk2",
    "PC Yoru1", "PC Yoru2", "PC Yoru3", "PC Yoru4", "PC Bott1", "PC Bott2", "PC Bott3", "PC Bott4",
    "PC Clap1", "PC Clap2", "PC AnaMu", "PC Snap",  "PC MeloB", "PC Metal", "PC PopM1", "PC PopM2",
    "PC PopM3", "PC PopM4", "PC TekD",
};
constexpr std::string_view kBank5[] = {
    "FX 7-11",  "FX B-Ben", "FX Joker", "FX Tubey", "FX Daiko", "FX Mello", "FX Door",  "FX Zero",
    "FX Blip",  "FX Bubbl", "FX Canes", "FX OilDr", "FX Sheet", "FX Sword", "FX Stab",  "FX Gongy",
    "FX Robot", "FX R2D2",  "FX RvCrs", "FX Scene", "FX Scrat", "FX Shui",  "FX Snark", "FX Spark",
    "FX Alien", "FX Steps", "FX Stix",  "FX Wiggy", "FX Falic", "FX Afro",  "FX Blow",  "FX Log",
    "FX Metal", "FX Pip",   "FX Revrs", "FX Rezzo", "FX Wet",   "FX BDMth", "FX S1Mth", "FX S2Mth",
    "FX S3Mth", "FX CYMth", "FX HCMth", "FX HOMth", "FX Type",  "FX Heart", "FX Tape",  "BA Nasti",
    "BA KillB", "BA Softa", "BA 30",
};

constexpr std::array<std::span<const std::string_view>, 6> kBanks = {kBank0, kBank1, kBank2,
                                                                     kBank3, kBank4, kBank5};
static_assert(std::size(kBank0) == 102 && std::size(kBank1) == 108 && std::size(kBank2) == 107 &&
              std::size(kBank3) == 65 && std::size(kBank4) == 67 && std::size(kBank5) == 51);

// Six banks of 128, then one more empty text that the list has always ended with.
constexpr std::size_t kTextCount = kBanks.size() * kBankSize + 1;
static_assert(kTextCount == 769);

constexpr std::size_t listSize() {
    std::size_t size = kTextCount; // one NUL per text
    for (auto bank : kBanks)
        for (std::string_view name : bank) size += name.size();
    return size;
}

constexpr auto buildList() {
    std::array<char, listSize()> list{};
    std::size_t at = 0;
    for (auto bank : kBanks) {
        for (std::string_view name : bank) {
            std::copy(name.begin(), name.end(), list.begin() + static_cast<std::ptrdiff_t>(at));
            at += name.size() + 1; // the NUL is already there
        }
        at += kBankSize - bank.size(); // empty texts: a NUL each
    }
    return list;
}

constexpr auto kList = buildList();
// Every name is at most 8 characters: the module's display width, and what SetName keeps.
static_assert(std::ranges::all_of(kBanks, [](auto bank) {
    return std::ranges::all_of(bank, [](std::string_view name) { return name.size() <= 8; });
}));

} // namespace

std::span<const char> waveNameList() {
    return kList;
}

} // namespace pulvex
