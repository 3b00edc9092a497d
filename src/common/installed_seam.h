#pragma once

// The one implementation of a seam in use: the one the window system or a
// test installed (not owned), else Default, which works without either.
template <typename Interface, typename Default> class InstalledSeam
{
public:
    Interface& get() const { return *m_installed; }
    // nullptr restores the default.
    void install(Interface* installed) { m_installed = installed ? installed : &m_default; }

private:
    Default m_default;
    Interface* m_installed = &m_default;
};
