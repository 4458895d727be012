// A pass over the sequence run in a child process: a copy of this process
// as it is before the demo starts, so the demo starts there afresh and,
// once the child has ended, here again as if the child had never run.
#pragma once

#include <csignal>
#include <functional>
#include <string>
#include <vector>

enum class PassResult { done, failed, interrupted };

// Runs `pass` in the child and hands back the numbers it gave. failed:
// the pass returned false (it says why itself) or the child died (*error
// says so). interrupted: `interrupted` was set here; the child is stopped.
PassResult run_first_pass(const std::function<bool(std::vector<long>*)>& pass,
                          const volatile std::sig_atomic_t& interrupted, std::vector<long>* numbers,
                          std::string* error);
