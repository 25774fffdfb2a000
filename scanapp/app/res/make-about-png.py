#!/usr/bin/env python3
"""Draws the about box's picture, about.png, next to this script: the data
source's version-box design with the utility's name, pale, since the
utility draws its texts in the window-text colour. Run it again after
changing the artwork and commit both files."""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(HERE)))
subprocess.run([sys.executable, os.path.join(ROOT, "datasource", "ui", "res", "make-version-png.py"),
                os.path.join(HERE, "about.png"), "Corvane QM", "Scan Utility", "--light"],
               check=True)
