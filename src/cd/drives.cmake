# drive list, config.dat, discs.txt, drive dialog: filled in by their author
