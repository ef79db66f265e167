// Processeurs: how many processors this process may run on.
#pragma once

// The processors in the process's affinity mask (which taskset, cgroup cpusets and the like
// restrict), or those online when the mask cannot be read; at least 1.
unsigned nProcesseursDisponibles();
