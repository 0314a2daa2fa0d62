// Screen flip and frame pacing commands: the end of every frame, the frame timers,
// the frame rate and the background picture.
#pragma once

void SHOWSCREEN();
double GETTIMER();
double GETTIMERALL();
void LIMITFPS(double fps);
void BLACKSCREEN();
void USEASBMP();
