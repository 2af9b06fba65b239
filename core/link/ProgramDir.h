#pragma once
#include <ctime>
#include <string>

// The folder that holds the running program, with a trailing separator.
std::string ProgramDirectory();
// The user's own data folder for the program, created on demand, with a trailing separator.
std::string UserDataDirectory();
void LocalTime(std::time_t time, std::tm& local);
