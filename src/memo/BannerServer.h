#pragma once

#include <QString>

// Where the date memo window's banner comes from. Built into the program and
// empty as delivered: then nothing is fetched and the start is not delayed.
struct BannerServer {
    QString server;   // the FTP server's name or address
    QString user;
    QString password;
    QString folder;   // on the server; empty = the login folder
    QString siteUrl;  // the address lblUrl shows and opens
    int limitSeconds = 8; // the whole fetch of the five files

    bool configured() const { return !server.isEmpty(); }
    static BannerServer builtIn() { return {}; }
};
