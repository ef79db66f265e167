// Calendrier: the one statement of the calendar's rules (leap years, month lengths, valid
// dates and times of day), for the file times, the Win32 records and the date strings.
#include "base/datetime/Calendrier.h"

bool CAL_bBissextile(long long nAnnee, eCALENDRIER eCalendrier)
{
    if (nAnnee % 4 != 0)
        return false;
    if (eCalendrier == eCAL_HISTORIQUE && nAnnee <= 1582)
        return true;
    return nAnnee % 100 != 0 || nAnnee % 400 == 0;
}

unsigned CAL_nJoursDansMois(long long nAnnee, unsigned nMois, eCALENDRIER eCalendrier)
{
    static const unsigned char anJours[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (nMois < 1 || nMois > 12)
        return 0;
    return anJours[nMois - 1] + (nMois == 2 && CAL_bBissextile(nAnnee, eCalendrier) ? 1 : 0);
}

bool CAL_bJourSupprime(long long nAnnee, unsigned nMois, unsigned nJour)
{
    return nAnnee == 1582 && nMois == 10 && nJour >= 5 && nJour <= 14;
}

bool CAL_bDateValide(long long nAnnee, unsigned nMois, unsigned nJour, eCALENDRIER eCalendrier)
{
    if (nJour < 1 || nJour > CAL_nJoursDansMois(nAnnee, nMois, eCalendrier))
        return false;
    return eCalendrier != eCAL_HISTORIQUE || !CAL_bJourSupprime(nAnnee, nMois, nJour);
}

bool CAL_bHeureValide(unsigned nHeure, unsigned nMinute, unsigned nSeconde, unsigned nMillisecondes)
{
    return nHeure < 24 && nMinute < 60 && nSeconde < 60 && nMillisecondes < 1000;
}
