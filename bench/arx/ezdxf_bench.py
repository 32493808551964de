"""Times ezdxf reading and saving a drawing, for comparison with the drawing database:
    ezdxf_bench.py IN.dxf OUT.dxf
prints "ezdxf_read_s=..." and "ezdxf_save_s=..." (run with /usr/bin/python3)."""

import sys
import time

import ezdxf

start = time.perf_counter()
doc = ezdxf.readfile(sys.argv[1])
read = time.perf_counter() - start
start = time.perf_counter()
doc.saveas(sys.argv[2])
save = time.perf_counter() - start
print("ezdxf_read_s=%.3f" % read)
print("ezdxf_save_s=%.3f" % save)
