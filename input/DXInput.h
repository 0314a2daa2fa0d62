// DXInput: the input object — keyboard, mouse and joysticks.
#pragma once

class GameWindow;

class DXInput {
public:
    DXInput() = default;
    ~DXInput() = default;
    bool CreateDInput(GameWindow* window, bool wantMouse);
};

extern DXInput* pDXin;
