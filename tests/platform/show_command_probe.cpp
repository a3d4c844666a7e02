// Stands in for the system-information tool: records the show command it was started with in
// started.txt beside itself, and ends.
#include <windows.h>

#include <fstream>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand)
{
    char self[MAX_PATH] = {};
    std::string record(self, ::GetModuleFileNameA(nullptr, self, MAX_PATH));
    record.erase(record.find_last_of('\\') + 1);
    std::ofstream(record + "started.txt", std::ios::binary) << showCommand;
    return 0;
}
