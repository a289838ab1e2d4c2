#pragma once
// The program-wide editing state's codes: the paint tools and the ids and names of their
// cursors. Plain values, so that the painter and its tests use them without the main
// window.
#include <cstdint>

enum TPaintTool : std::uint8_t {
    ptBrush = 0, // also while a custom or text brush is in use
    ptLine = 1,
    ptLines = 2,
    ptFill = 3,
    ptSelectArea = 4,
    ptMoveArea = 5, // dragging a floating selection; only the painter sets it
    ptRectangle = 6,
    ptSolidRectangle = 7,
    ptCircle = 8,
    ptSolidCircle = 9,
    ptPickupColor = 10,
};

// The eleven tool cursors, registered at start-up under these ids and names.
struct TToolCursor {
    int Id;
    const char* Name;
};
constexpr TToolCursor ToolCursors[] = {
    {1, "CURPEN"}, {2, "MOVE"},      {3, "PICKUP"},      {4, "FILL"},
    {5, "RECT"},   {6, "SOLIDRECT"}, {7, "ELLIPSE"},     {8, "SOLIDELLIPSE"},
    {9, "LINE"},   {10, "LINES"},    {11, "SELECTAREA"},
};

// The cursor id each tool shows in the painter's image.
constexpr int CursorIdOf(TPaintTool Tool) {
    constexpr int Ids[] = {1, 9, 10, 4, 11, 2, 5, 6, 7, 8, 3};
    return Tool <= ptPickupColor ? Ids[Tool] : 1;
}
