// CServiceImp: the interface through which the daemon procedure drives a service.
#include "service/CServiceImp.h"

int CServiceImp::vbWithCoreDump()
{
    return 0;
}

int CServiceImp::vbGetServiceUser(char*)
{
    return 0;
}

int CServiceImp::vbGetOwnDirectory(char*)
{
    return 0;
}

int CServiceImp::vbLogStartOK()
{
    return 1;
}

int CServiceImp::vbVerifieParametres()
{
    return 1;
}
