// What TForm1 shows now, as it was last shown: the view compares what its session holds with
// it and changes only what differs.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "ui/Unit1.h"

namespace rondel {

// Where the panel's icon comes from: the lists, the tab and the item.
using IconSource = std::tuple<const void*, int, int>;

// What the window shows now, as it was last shown.
struct TForm1::Shown {
    std::optional<std::string> caption;
    std::shared_ptr<const ServiceCatalogue> catalogue;  // whose lists and icons the list box shows
    std::optional<std::string> filter;
    std::optional<std::string> counts;
    std::optional<int> tab;
    std::optional<int> selected;
    std::optional<std::array<std::string, 6>> texts;
    std::optional<IconSource> icon;
    std::optional<int> startItem;
    std::optional<bool> hasService;
    std::optional<CommandStates> commands;
    std::optional<std::string> status;
    std::optional<unsigned> watchInterval;
};

}  // namespace rondel
