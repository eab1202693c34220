// The banner's question: whether to visit the program's home page.
#pragma once

#include <string>

namespace rondel {

class TForm;

// The program's home page.
inline constexpr const char kHomePageUrl[] = "https://www.example.com/rondel/";

// Asks "ミルテへアクセスしますか？" (Yes/No) for the owning window.
void VisitHomePage(TForm& owner);

}  // namespace rondel
