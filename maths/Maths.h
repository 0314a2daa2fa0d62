// Maths, random numbers, string commands and box collisions; no devices behind them.
#pragma once

#include "maths/Random.h"
#include "values/KvStr.h"

double RND(double n);
double SIN(double d);
double COS(double d);
double TAN(double d);
double ATAN(double y, double x);
double ASIN(double v);
double ACOS(double v);
double SQR(double v);
double POW(double a, double b);
double ABS(double v);
double MOD(double a, double b);
double LEN(const KvStr& s);
double LEN(double v);
KvStr MID_Str(const KvStr& s, double start, double count);
double ASC(const KvStr& s);
KvStr CHR_Str(double c);
KvStr FORMAT_Str(double width, double decimals, double v);
void BOXCOLL(double& r, double x1, double y1, double w1, double h1, double x2, double y2, double w2,
             double h2);
