#include "spawn.h"

#include <fcntl.h>
#include <spawn.h>
#include <string.h>
#include <sys/wait.h>

extern char **environ;

bool runQuietly(const char *const argv[]) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    int failed = posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char *const *>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (failed || waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void runEachIteration(benchmark::State &state, const char *const argv[]) {
    for (auto _ : state)
        if (!runQuietly(argv)) state.SkipWithError("the program failed");
}

bool programFound(const char *path) { return *path && !strstr(path, "NOTFOUND"); }
