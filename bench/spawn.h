// Starting the programs a benchmark times, with extra environment entries, through posix_spawn.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace kdmbench {

inline std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& t : texts)
        pointers.push_back(t.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Starts a program with extra environment entries; stdout to `outFd` (or /dev/null when -1). -1 when
// it could not be started.
inline pid_t Spawn(std::vector<std::string> argv, const std::vector<std::string>& env, int outFd) {
    std::vector<std::string> envText = env;
    for (char** e = environ; *e != nullptr; ++e)
        envText.emplace_back(*e);
    auto argp = Pointers(argv);
    auto envp = Pointers(envText);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (outFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, argp.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

}  // namespace kdmbench
