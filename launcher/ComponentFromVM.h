// Start and stop of a component library on behalf of the runtime library ("InitDLLEx", "InitDLL", "TermDLL").
#pragma once

struct HINSTANCE__;

// Both handles are dynamic-loader handles; a null component handle finds no export.
//
// "InitDLLEx" called with hVM, nFlags and 0 when the component exports it; otherwise the
// two-handle form below.
bool bInitDLLFromVM(HINSTANCE__* hDll, HINSTANCE__* hVM, unsigned int nFlags);
// "InitDLL" called with hVM; false when the component does not export it.
bool bInitDLLFromVM(HINSTANCE__* hDll, HINSTANCE__* hVM);
// "TermDLL" called with hVM, when the component exports it.
void TermDLLFromVM(HINSTANCE__* hDll, HINSTANCE__* hVM);
