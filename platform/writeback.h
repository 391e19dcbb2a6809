#pragma once
// A large commit encrypts and writes its pages one after another and then
// waits at its sync until the disk holds them all. Told to start early, the
// disk writes the first megabytes while the later ones are still being
// encrypted, and the sync waits for little.

// Routes the database layer's page writes through one that starts the write-out
// of each whole megabyte behind it. Called before a database is opened.
void StartWritesEarly();
