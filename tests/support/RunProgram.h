#pragma once

// Runs a program to its end with extra environment variables and collects its exit status and output.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

extern char** environ;

struct TProgramRun {
  int exitCode = -1;  // 128 + signal number when a signal ended it
  std::string out;
  std::string err;
};

inline TProgramRun RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {}) {
  TTempDir io;
  const auto slurp = [](const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
  };
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, io.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, io.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  // The extra variables replace inherited ones of the same name.
  const auto overridden = [&](const std::string& entry) {
    for (const std::string& extra : extraEnv) {
      if (entry.compare(0, extra.find('=') + 1, extra, 0, extra.find('=') + 1) == 0) return true;
    }
    return false;
  };
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    if (!overridden(*e)) env.emplace_back(*e);
  }
  env.insert(env.end(), extraEnv.begin(), extraEnv.end());
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = argv;
  std::vector<char*> argp;
  for (std::string& a : args) argp.push_back(a.data());
  argp.push_back(nullptr);
  TProgramRun run;
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, args[0].c_str(), &actions, nullptr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return run;
  int status = 0;
  waitpid(pid, &status, 0);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.out = slurp(io.File("out"));
  run.err = slurp(io.File("err"));
  return run;
}
