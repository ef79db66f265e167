// CAtelierBlocs: blocks handed in one after another, worked on by a pool of threads, handed
// back in the order they came.
#include "tools/zvzlw/CAtelierBlocs.h"

#include <system_error>

CAtelierBlocs::CAtelierBlocs(unsigned nOuvriers, unsigned nPostes, FNTRAVAIL fnTravail)
    : m_fnTravail(std::move(fnTravail))
{
    if (nPostes == 0)
        nPostes = 1;
    for (unsigned i = 0; i < nPostes; ++i)
        m_tabPlaces.push_back(std::unique_ptr<_stPLACE>(new _stPLACE));
    for (unsigned i = 0; i < nOuvriers; ++i) {
        try {
            m_tabOuvriers.emplace_back(&CAtelierBlocs::_Ouvrier, this);
        } catch (const std::system_error&) {
            break;  // fewer workers; none: the caller's thread does the work
        }
    }
}

CAtelierBlocs::~CAtelierBlocs()
{
    {
        std::lock_guard<std::mutex> verrou(m_mtx);
        m_bArret = true;
    }
    m_cvTravail.notify_all();
    for (std::thread& th : m_tabOuvriers)
        th.join();
}

void CAtelierBlocs::_Ouvrier()
{
    std::unique_lock<std::mutex> verrou(m_mtx);
    for (;;) {
        m_cvTravail.wait(verrou, [this] { return m_bArret || m_qwPris < m_qwConfies; });
        if (m_bArret)
            return;
        _stPLACE& stPlace = _Place(m_qwPris++);
        if (!stPlace.bTravail)
            continue;  // came back as it was handed in
        verrou.unlock();
        m_fnTravail(stPlace.stPoste);
        verrou.lock();
        stPlace.bFait = true;
        m_cvFait.notify_all();
    }
}

_stPOSTE* CAtelierBlocs::pstLibre(bool bAttend)
{
    std::unique_lock<std::mutex> verrou(m_mtx);
    if (bAttend)
        m_cvLibre.wait(verrou, [this] { return m_bAbandon || m_qwConfies - m_qwRendus < m_tabPlaces.size(); });
    if (m_bAbandon || m_qwConfies - m_qwRendus == m_tabPlaces.size())
        return nullptr;
    _stPOSTE& stPoste = _Place(m_qwConfies).stPoste;
    stPoste.nEntree = 0;
    stPoste.nSortie = 0;
    stPoste.qwPosition = 0;
    stPoste.dwAttendu = 0;
    stPoste.strErreur.clear();
    return &stPoste;
}

void CAtelierBlocs::Confie(_stPOSTE* pst, bool bTravail)
{
    std::unique_lock<std::mutex> verrou(m_mtx);
    _stPLACE& stPlace = _Place(m_qwConfies);
    (void)pst;  // always the slot of pstLibre: the one numbered m_qwConfies
    stPlace.bTravail = bTravail;
    stPlace.bFait = false;
    ++m_qwConfies;
    if (!bTravail) {
        stPlace.bFait = true;  // the worker that comes to it passes over it
        if (m_tabOuvriers.empty())
            ++m_qwPris;
        m_cvFait.notify_all();
        return;
    }
    if (m_tabOuvriers.empty()) {
        ++m_qwPris;
        verrou.unlock();
        m_fnTravail(stPlace.stPoste);
        verrou.lock();
        stPlace.bFait = true;
        m_cvFait.notify_all();
        return;
    }
    verrou.unlock();
    m_cvTravail.notify_one();
}

_stPOSTE* CAtelierBlocs::pstTermine(bool bAttend)
{
    std::unique_lock<std::mutex> verrou(m_mtx);
    auto bPret = [this] {
        return m_bAbandon || (m_qwRendus < m_qwConfies && _Place(m_qwRendus).bFait) ||
               (m_qwRendus == m_qwConfies && m_bFerme);
    };
    if (bAttend)
        m_cvFait.wait(verrou, bPret);
    if (m_bAbandon || m_qwRendus == m_qwConfies || !_Place(m_qwRendus).bFait)
        return nullptr;
    return &_Place(m_qwRendus).stPoste;
}

void CAtelierBlocs::Rend(_stPOSTE*)
{
    {
        std::lock_guard<std::mutex> verrou(m_mtx);
        ++m_qwRendus;
    }
    m_cvLibre.notify_all();
}

void CAtelierBlocs::Ferme()
{
    {
        std::lock_guard<std::mutex> verrou(m_mtx);
        m_bFerme = true;
    }
    m_cvFait.notify_all();
}

void CAtelierBlocs::Abandonne()
{
    {
        std::lock_guard<std::mutex> verrou(m_mtx);
        m_bAbandon = true;
    }
    m_cvFait.notify_all();
    m_cvLibre.notify_all();
}
