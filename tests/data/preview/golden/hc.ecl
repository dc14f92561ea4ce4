; HC Encoder -- Encoder Information List
; Created By DVD Tessera's Matrix Editor

[item]
title=Preview
progressive=0
frame_rate_idx=3
aspect_ratio=3
vbr_brate_avg=1080
vbr_brate_max=8000
vbr_brate_min=0
opv_q_factor=45
pulldown_detect=1
q_scale_type=1
qmat_idx=-1
qmat= 
vaf_file=<P>/Preview/V010001_V001001_Custom1_No_Filter.vaf
aud_file=<P>/Preview/V010001_V001001_Custom1_No_Filter.mpa
vid_file0=<P>/Preview/V010001_V001001_Custom1_No_Filter.m2v
vid_file1=<P>/Preview/V010001_V001001_Custom1_No_Filter.m2v
08 16 19 22 26 27 29 34	
16 16 22 24 27 29 34 37	
19 22 26 27 29 34 34 38	
22 22 26 27 29 34 37 40	
22 26 27 29 32 35 40 48	
26 27 29 32 35 40 48 58	
26 27 29 34 38 46 56 69	
27 29 35 38 46 56 69 83	
16 17 18 19 20 21 22 23	
17 18 19 20 21 22 23 24	
18 19 20 21 22 23 24 25	
19 20 21 22 23 24 26 27	
20 21 22 23 25 26 27 28	
21 22 23 24 26 27 28 30	
22 23 24 26 27 28 30 31	
23 24 25 27 28 30 31 33	

[file]
name=<P>/Preview/encode.avs
frame_first=0
frame_last=2500
encode_first=0
encode_last=2500

