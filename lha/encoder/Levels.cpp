// What each compression level does. Level 0 means the default (6).
#include "lha/encoder/Parser.h"

namespace kavrel::lha::encoder {

LevelSettings SettingsForLevel(int level) {
    LevelSettings s;
    if (level <= 0 || level > 9) level = 6;
    if (level == 9) {
        s.optimal = true;
        s.nice = 128;
        s.cut = 48;
        s.passes = 1;
        // Optimal parsing is priced by guesses and the previous chunk's codes, which may
        // mislead it: it never writes more than the default level.
        s.rivalDefault = true;
        return s;
    }
    //                             1   2   3   4   5    6    7     8
    static const int kChain[] = {8, 8, 16, 32, 32, 40, 256, 1024};
    static const int kNice[] = {32, 32, 64, 64, 128, 128, 256, 256};
    s.chain = kChain[level - 1];
    s.nice = kNice[level - 1];
    s.lazy = level >= 2;
    s.lazy2 = level >= 5;
    s.lazyLimit = level >= 6 ? 128 : 32;
    return s;
}

}  // namespace kavrel::lha::encoder
