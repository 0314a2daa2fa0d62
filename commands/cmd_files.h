// File commands: the line cache, directories, the file dialog and shell commands.
#pragma once

#include "files/WildMatch.h"
#include "values/KvArray.h"
#include "values/KvStr.h"

void GETFILE(const KvStr& file, double line, KvStr& text);
void GETFILE(const KvStr& file, double line, double& v);
void PUTFILE(const KvStr& file, double line, const KvStr& text);
// As above; when the file cannot be read the caller's variable becomes "NO_FILE".
void PUTFILE(const KvStr& file, double line, KvStr& text);
void PUTFILE(const KvStr& file, double line, double v);
double DOESFILEEXIST(const KvStr& file);
KvStr GETCURRENTDIR_Str();
double SETCURRENTDIR(const KvStr& dir);
double GETFILELIST(const KvStr& pattern, KvStrArray& list);
KvStr FILEREQUEST_Str(double load, const KvStr& filter);
double SHELLCMD(const KvStr& command, double wait, double show, double& code);
