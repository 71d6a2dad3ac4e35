#pragma once

// Control ids of the player window (template 187) and its timer; every widget's objectName is its id.
namespace lumivex::ids {

inline constexpr int kPlayerWindow = 187;
inline constexpr int kPlayerFirst = 1010;
inline constexpr int kPlayerBack = 1011;
inline constexpr int kPlayerPause = 1286;  // hidden
inline constexpr int kPlayerPlay = 1285;
inline constexpr int kPlayerStop = 1284;
inline constexpr int kPlayerForward = 1012;
inline constexpr int kPlayerLast = 1013;
inline constexpr int kPlayerClose = 1291;
inline constexpr int kPlayerSlider = 1288;
inline constexpr int kPlayerVideoArea = 1290;
inline constexpr int kPlayerReopen = 1287;  // hidden
inline constexpr int kTimerPlayerPosition = 100;

}  // namespace lumivex::ids
