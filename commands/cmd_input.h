// Input commands: keys by scan code, typed characters, mouse, joysticks, text entry.
#pragma once

#include "values/KvStr.h"

double KEY(double k);
KvStr INKEY_Str();
void MOUSESTATE(double& x, double& y, double& b1, double& b2);
void SETMOUSE(double x, double y);
double MOUSEWAIT();
double KEYWAIT();
void JOYSTATE(double& x, double& y, double& b1, double& b2);
double GETJOYX(double j);
double GETJOYY(double j);
double GETJOYZ(double j);
double GETDIGIX(double j);
double GETDIGIY(double j);
double GETJOYBUTTON(double j, double b);
KvStr GETJOYNAME_Str(double j);
double GETNUMJOYSTICKS();
void INPUT(KvStr& text, double x, double y);
void INPUT(double& v, double x, double y);
