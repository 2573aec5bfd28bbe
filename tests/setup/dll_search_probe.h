// Exit codes of dll_search_probe.exe: which "version.dll" it loaded.
#pragma once

constexpr int kPlanted = 10;
constexpr int kSystemCopy = 20;
constexpr int kOtherCopy = 30;
constexpr int kNotLoaded = 40;
