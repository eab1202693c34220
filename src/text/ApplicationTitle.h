// The program's name as its windows and messages show it, and as a second start looks for it.
#pragma once

namespace rondel {

inline constexpr char kApplicationTitle[] = "ロンデル";

}  // namespace rondel
