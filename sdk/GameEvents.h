#pragma once

// Names of the game functions whose runs the host raises as events; plug-ins
// hook them with GameWrapper::HookEventPost.

// Runs for each car on every physics tick, after the car's input is set.
inline constexpr char kVehicleInputEvent[] = "Function TAGame.Car_TA.SetVehicleInput";
